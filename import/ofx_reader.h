// OFX 1.x (SGML, tags left unclosed), OFX 2.x (XML) and QFX statements:
// every STMTTRN of every statement in the file, with DTPOSTED, TRNAMT,
// NAME or PAYEE, MEMO and FITID, and the closing LEDGERBAL.
#pragma once
#include "import/statement.h"

Statement readOfx(const Bytes& bytes);
