/* Resource ids of pairlaunch.dll (shared by its sources and windres). */
#ifndef QM_RESOURCES_PAIRLAUNCH_RES_H
#define QM_RESOURCES_PAIRLAUNCH_RES_H

#define IDR_PAIRLAUNCH_REGISTRY 100 /* type "REGISTRY": registrar script, %MODULE% = the DLL */
#define IDB_PAIRLAUNCH_MENU 200     /* 13 x 13, 16 colours: picture of "&Compare..." */

#endif
