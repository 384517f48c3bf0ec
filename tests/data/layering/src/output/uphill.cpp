// An include that runs uphill: the layering check must refuse this tree.
#include "app/settings.h"
