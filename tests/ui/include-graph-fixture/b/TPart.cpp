// Points up to the room that uses this one: the check must refuse it.
#include "ui/b/TPart.h"

#include "ui/a/TWindow.h"
