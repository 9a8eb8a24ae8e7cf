/* Resource ids of pairlaunch.dll (shared by its sources and windres). */
#ifndef QM_RESOURCES_PAIRLAUNCH_RES_H
#define QM_RESOURCES_PAIRLAUNCH_RES_H

#define IDR_PAIRLAUNCH_REGISTRY 100 /* type "REGISTRY": registrar script, %MODULE% = the DLL */
#define IDB_PAIRLAUNCH_MENU 200     /* 13 x 13, 16 colours: picture of "&Compare..." */

/* The string table of the DLL. */
#define IDS_PAIRLAUNCH_MENU_TEXT 1
#define IDS_PAIRLAUNCH_HELP_TEXT 2
#define IDS_PAIRLAUNCH_TOO_MANY 3
#define IDS_PAIRLAUNCH_NOT_FOUND 4
#define IDS_PAIRLAUNCH_START_FAILED 5 /* %s: the runtime's text for its error */
#define IDS_PAIRLAUNCH_PATH_TOO_LONG 6 /* %s: the path */

#endif
