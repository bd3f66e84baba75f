#include "date_time_text.h"
