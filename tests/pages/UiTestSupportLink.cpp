// The window-test helpers of the ui tests, built into this test program too.
#include "../ui/UiTestSupport.cpp"
