/* Resource and command numbers; plain macros so the resource compiler can read them too. */
#ifndef KF_RESMON_RESOURCEIDS_H
#define KF_RESMON_RESOURCEIDS_H

#define IDM_FRAME_MENU 101
#define IDI_NORMAL 117
#define IDI_CHECKING 118
#define IDI_LOW 119
#define IDM_TRAY_MENU 120
#define IDI_ABOUT 122

#define IDC_FILE_OPEN 40001
#define IDC_ABOUT 40008
#define IDC_SHUTDOWN 40010
#define IDC_TEST_RESOURCE 40011

#define IDC_FIRST_MDI_CHILD 1000

#endif
