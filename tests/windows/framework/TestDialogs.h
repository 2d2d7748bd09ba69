#pragma once
// Dialog templates and control ids of the framework's test windows.
#define IDD_TEST_PLAIN 100
#define IDD_TEST_CHILD 101

#define IDC_TEST_BUTTON 1001
#define IDC_TEST_OWNERDRAW 1002
#define IDC_TEST_CHECK 1003
#define IDC_TEST_COMBO 1004
#define IDC_TEST_LABEL 1005
#define IDC_TEST_OTHER 1006
#define IDC_TEST_LINK 1007
#define IDC_TEST_PICTURE 1008
