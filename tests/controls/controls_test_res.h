#pragma once
// Resources of the controls' Windows tests.
#define IDD_CONTROLS_TEST 300
#define IDC_TEST_BUTTON 301
#define IDC_TEST_LED 302
#define IDC_TEST_LABEL 303
#define IDC_TEST_LABEL_WIDE 304
