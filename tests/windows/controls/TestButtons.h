#pragma once
// Dialog template and control ids of the button test window.
#define IDD_TEST_BUTTONS 200

#define IDC_TAB_GOLD 1039
#define IDC_TAB_FOREX 1040
#define IDC_TAB_FUTURES 1041
#define IDC_TAB_STOCKS 1042
#define IDC_NOT_A_TAB 1050
#define IDC_IMAGE_HELP 1063
#define IDC_IMAGE_ADVISE 1066
