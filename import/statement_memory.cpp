#include "import/statement_memory.h"
