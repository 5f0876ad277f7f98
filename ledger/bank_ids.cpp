#include "ledger/bank_ids.h"
