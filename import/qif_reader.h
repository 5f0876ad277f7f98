// QIF statements: !Type:Bank or !Type:CCard records of D, T or U, P, M, N,
// ended by ^. Other types (!Type:Invst, !Option, the !Account block headers)
// are skipped; split lines (S, E, $) belong to their record.
#pragma once
#include "import/statement.h"

Statement readQif(const Bytes& bytes);
