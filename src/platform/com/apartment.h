// Whether COM is initialised on the calling thread.
#pragma once

bool IsComInitializedOnThisThread();
