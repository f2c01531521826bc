// Resource and command identifiers. Plain numbers only: the resource compiler, the Windows
// front end and the portable logic all include this file.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDD_LOGIN 104
#define IDD_PREFERENCES 135

// Icon, menus, bitmap
#define IDR_MAINFRAME 128
#define IDR_TRAY_MENU 129
#define IDR_MAIN_MENU 130
#define IDB_LOGO 133

// Controls of the main window
#define IDC_MESSAGE 1000
#define IDC_ADD_TRAY 1004
#define IDC_REMOVE_TRAY 1005
#define IDC_SEND 1009
#define IDC_LOGO 1012
#define IDC_MOBILE 1021
#define IDC_STATUSBAR 32500

// Controls of the Login dialog
#define IDC_USERNAME 1011
#define IDC_PASSWORD 1012

// Controls of the About box
#define IDC_HOMEPAGE 1019

// Controls of the Preferences dialog
#define IDC_PREF_USERNAME 1000
#define IDC_PREF_PASSWORD 1011
#define IDC_PREF_PHONE 1012
#define IDC_HOTKEY 1014
#define IDC_START_MINIMIZED 1015
#define IDC_MINIMIZE_TO_TRAY 1016
#define IDC_ALWAYS_SHOW_ICON 1017
#define IDC_AUTO_LOGON 1018
#define IDC_RUN_AT_STARTUP 1020

// Tray menu commands (ID_APP_ABOUT is in no menu)
#define ID_TRAY_RESTORE 32773
#define ID_TRAY_PREFERENCES 32774
#define ID_APP_ABOUT 32775
#define ID_TRAY_EXIT 32776
#define ID_TRAY_LOGIN 32777
#define ID_TRAY_LOGOFF 32778

// Main menu commands
#define ID_HELP_ABOUT 32780
#define ID_OPTIONS_PREFERENCES 32781
#define ID_MESSAGE_SEND 32782
#define ID_MESSAGE_EXIT 32783
#define ID_MESSAGE_LOGIN 32784
#define ID_MESSAGE_LOGOFF 32785
#define ID_MESSAGE_HIDE 32786
