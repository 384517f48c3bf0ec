// An include that stays in its layer.
#include "common/cp932.h"
