// Everything the form code uses of the window toolkit.
#pragma once

#include "ansistring.h"
#include "application.h"
#include "component.h"
#include "controls.h"
#include "exception.h"
#include "form.h"
#include "formdescription.h"
