#include "c_format.h"
