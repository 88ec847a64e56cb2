#include "ui/a/TWindow.h"
