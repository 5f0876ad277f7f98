#include "import/proposals.h"
