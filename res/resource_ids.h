/* Resource and control ids, shared by the code and the resource script
   (so plain #defines only). */
#ifndef MERROWIND_RESOURCE_IDS_H
#define MERROWIND_RESOURCE_IDS_H

#define IDI_PROGRAM 101
#define IDD_FORTUNE 102
#define IDC_LINK_CURSOR 105
#define IDD_SETTINGS 106
#define IDD_COOKIE_FILE 107

/* fortune window */
#define IDC_FORTUNE_TEXT 1000
#define IDC_HOME_LINK 1001
#define IDC_SETTINGS_LINK 1002

/* the fortune window's context menu and its commands */
#define IDR_FORTUNE_MENU 103
#define IDM_COPY 2001
#define IDM_ANOTHER 2002
#define IDM_BEFORE 2003
#define IDM_PUT_AWAY 2004
#define IDM_SETTINGS 2005

/* settings dialog */
#define IDC_SOURCE_LIST 1003
#define IDC_ADD 1004
#define IDC_EDIT 1005
#define IDC_REMOVE 1006
#define IDC_MORE_LINK 1007

/* add/edit cookie-file dialog */
#define IDC_COOKIE_NAME 1008
#define IDC_COOKIE_PATH 1009
#define IDC_BROWSE 1011
#define IDC_PROGRESS 1012

/* settings dialog: the options */
#define IDC_OPTIONS 1101

/* options dialog */
#define IDD_OPTIONS 108
#define IDC_NO_REPEATS 1102
#define IDC_ONE_A_DAY 1103
#define IDC_SIGN_IN 1104
#define IDC_PUT_AWAY_COUNT 1105
#define IDC_BRING_BACK 1106

#endif
