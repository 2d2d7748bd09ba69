#pragma once
// Resource numbers of Corvane.exe. The numbers stay fixed once given. A control id may serve in
// several dialogs, so each dialog's control names carry that dialog's own prefix.

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDD_POPUP 108
#define IDD_POPUP_ENTRY 137
#define IDD_SETTINGS 153
#define IDD_NEWSLIST 1061
#define IDD_ALERTS 180                   // the keyword alerts dialog

// Strings
#define IDS_ABOUTBOX 101                 // system menu entry of the main window
#define IDS_SOCKETS_INIT_FAILED 103      // message box when the socket library cannot start

// Icon: the main window and the tray
#define IDI_CORVANE 128
#define IDI_CORVANE_QUIET 129          // the tray icon while the pop-up keeps quiet

// Bitmaps: category logos (83 x 29) and tray menu items
#define IDB_LOGO_FOREX 157
#define IDB_LOGO_OTHER 158               // envelope for an item of no known category
#define IDB_LOGO_GOLD 159
#define IDB_TRAY_EXIT 161                // 69 x 19
#define IDB_TRAY_SETTINGS 162            // 86 x 19
#define IDB_LOGO_FUTURES 171
#define IDB_LOGO_STOCKS 172
#define IDB_TRAY_ALERTS 173              // tray menu item of the keyword alerts dialog
#define IDB_TRAY_QUIET 174               // the 免打扰 submenu and its offers
#define IDB_TRAY_QUIET_END 175
#define IDB_TRAY_QUIET_ONE_HOUR 176
#define IDB_TRAY_QUIET_TWO_HOURS 177
#define IDB_TRAY_QUIET_MORNING 178
#define IDB_TRAY_QUIET_MANUAL 179

// Notification sounds, resource type "WAVE"; the settings dialog offers 164 as "1.wav", 163 as "2.wav".
#define IDR_SOUND_SECOND_CHOICE 163
#define IDR_SOUND_FIRST_CHOICE 164
#define IDR_SOUND_ALERT 165              // a keyword alert's own sound

// The news list page, resource type 23 (RT_HTML)
#define IDR_HTML_NEWSLIST 166

// Commands: the system menu's About entry and the tray menu
#define IDM_ABOUTBOX 0x0010
#define IDM_TRAY_EXIT 10000
#define IDM_TRAY_SETTINGS 10001
#define IDM_TRAY_ALERTS 10002
#define IDM_TRAY_QUIET_ONE_HOUR 10003    // the 免打扰 offers, in the order of popup::QuietOffer
#define IDM_TRAY_QUIET_TWO_HOURS 10004
#define IDM_TRAY_QUIET_MORNING 10005
#define IDM_TRAY_QUIET_MANUAL 10006
#define IDM_TRAY_QUIET_END 10007
#define IDM_TRAY_QUIET_STATE 10008       // the greyed line of the state and its end
#define IDM_SHOW_MAIN_WINDOW 10010        // the pop-up's summary entry after quiet asks the main window to show

// Main window (IDD_MAIN)
#define IDC_TAB_GOLD 1039
#define IDC_TAB_FOREX 1040
#define IDC_TAB_FUTURES 1041
#define IDC_TAB_STOCKS 1042
#define IDC_BANNER1_PLACEHOLDER 1031
#define IDC_BANNER2_PLACEHOLDER 1032
#define IDC_BANNER3_PLACEHOLDER 1033
#define IDC_NEWSLIST_PLACEHOLDER 1061
#define IDC_TOP_HOMEPAGE 1063            // help.png: opens the vendor's home page
#define IDC_TOP_ABOUT 1064               // person.png: the About box
#define IDC_TOP_ADVISE 1066              // advise.png: opens the vendor's /about.html
#define IDC_TOP_SETTINGS 1067            // set.png: the settings dialog
#define IDC_TOP_EXIT 1068                // exit.png: hides the window

// About box (IDD_ABOUTBOX)
#define IDC_ABOUT_ICON 1101
#define IDC_ABOUT_VERSION 1102
#define IDC_ABOUT_HOMEPAGE_LINK 1103
#define IDC_ABOUT_MAKER_LINE1 1104
#define IDC_ABOUT_MAKER_LINE2 1105

// Pop-up entry (IDD_POPUP_ENTRY)
#define IDC_ENTRY_TITLE_TEXT 1023        // title of an item without a link
#define IDC_ENTRY_TITLE_LINK 1024
#define IDC_ENTRY_LOGO 1025
#define IDC_ENTRY_TIME 1050

// Settings dialog (IDD_SETTINGS)
#define IDC_SETTINGS_OK 1039
#define IDC_SETTINGS_CLOSE 1040
#define IDC_SETTINGS_START_WITH_WINDOWS 1055
#define IDC_SETTINGS_SHOW 1054
#define IDC_SETTINGS_DELAY 1057
#define IDC_SETTINGS_SOUND 1056
#define IDC_SETTINGS_FOREX_LOGO 1035
#define IDC_SETTINGS_FOREX_DELAY 1052
#define IDC_SETTINGS_FOREX_SHOW 1029
#define IDC_SETTINGS_GOLD_LOGO 1058
#define IDC_SETTINGS_GOLD_DELAY 1051
#define IDC_SETTINGS_GOLD_SHOW 1053
#define IDC_SETTINGS_FUTURES_LOGO 1036
#define IDC_SETTINGS_FUTURES_DELAY 1060
#define IDC_SETTINGS_FUTURES_SHOW 1030
#define IDC_SETTINGS_STOCKS_LOGO 1062
#define IDC_SETTINGS_STOCKS_DELAY 1059
#define IDC_SETTINGS_STOCKS_SHOW 1061
#define IDC_SETTINGS_ALERTS 1200         // opens the keyword alerts dialog over the settings

// Keyword alerts dialog (IDD_ALERTS)
#define IDC_ALERTS_OK 1201
#define IDC_ALERTS_CANCEL 1202
#define IDC_ALERTS_RULE 1203             // the rule being written or changed
#define IDC_ALERTS_ADD 1204
#define IDC_ALERTS_REPLACE 1205          // 修改: the selected rule takes the written text
#define IDC_ALERTS_DELETE 1206
#define IDC_ALERTS_HINT 1207             // the rule syntax in one line
#define IDC_ALERTS_LIST 1208             // the rules with their two switches
#define IDC_ALERTS_ON 1209               // the selected rule's switches, for the keyboard
#define IDC_ALERTS_SOUND 1210
#define IDC_ALERTS_COUNT 1211
#define IDC_ALERTS_TEST 1212             // a headline to try the rules on
#define IDC_ALERTS_RESULT 1213
#define IDC_ALERTS_FULL_SCREEN 1214      // alerts come through a full-screen program too
#define IDC_ALERTS_POPUP_MONITOR 1215    // the monitor the pop-up goes to

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
