// The one application object of Corvane.exe, built before any other code of the program runs.
#include "app/CorvaneApp.h"

CCorvaneApp theApp;
