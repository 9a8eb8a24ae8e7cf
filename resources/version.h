/* The product's version and names, in one place for every module's
 * VERSIONINFO (compare.rc, pairlaunch.rc), the About box and support mail
 * of compare.exe (dialogs.rc, strings.rc, which windres joins to literals
 * beside them) and the installer script. Plain one-line #defines of numbers
 * and string literals only, so that windres, the C++ compiler and a
 * line-oriented reader in the installer can all take them. Raise the
 * numbers and QM_VERSION_TEXT together. */
#ifndef QM_RESOURCES_VERSION_H
#define QM_RESOURCES_VERSION_H

#define QM_VERSION_MAJOR 2
#define QM_VERSION_MINOR 3
#define QM_VERSION_PATCH 0
#define QM_VERSION_BUILD 1
/* FILEVERSION and PRODUCTVERSION: the four numbers above. */
#define QM_VERSION_NUMBERS QM_VERSION_MAJOR, QM_VERSION_MINOR, QM_VERSION_PATCH, QM_VERSION_BUILD
/* The version as the user reads it: "2.3a" is 2.3.0 build 1. */
#define QM_VERSION_TEXT "2.3a"

#define QM_COMPANY_NAME "Ambervale"
#define QM_PRODUCT_NAME "Quillmere"
/* \251 is the copyright sign in code page 1252. */
#define QM_COPYRIGHT "Copyright \251 1999-2004 Ambervale"

#endif
