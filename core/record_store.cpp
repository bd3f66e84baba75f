#include "record_store.h"
