// Property sheet pages: only the handle type, which gpedit.h names (Windows' gpedit.h relies on
// its includer having included this header).
#pragma once

typedef struct _PSP* HPROPSHEETPAGE;
