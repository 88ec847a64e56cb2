#pragma once

#include "ui/b/TPart.h"
