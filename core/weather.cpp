#include "weather.h"
