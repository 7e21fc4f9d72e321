// The top-level failure handler: one printed line and the exit status for a failure that ended
// the run.
#pragma once

// Call only while handling an exception (inside a catch block). Prints the line for it on
// standard output and returns the exit status: the HRESULT of a _com_error or an HresultError
// (see ExitStatusFor), 1 for anything else.
int ReportCurrentFailure();
