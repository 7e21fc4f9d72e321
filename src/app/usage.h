// The usage text and the syntax message of the command line.
#pragma once

void PrintUsage();
void PrintSyntaxError();
