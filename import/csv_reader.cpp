#include "import/csv_reader.h"
