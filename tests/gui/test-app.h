// The one application object of the window tests.
#pragma once

#include "ui/my-app.h"

// Built on first use, with HOME and the configuration folder in a private
// temporary folder so that no downloaded data set of the user takes part.
MyApp& test_app();
