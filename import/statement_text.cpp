#include "import/statement_text.h"
