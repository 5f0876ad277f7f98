// QIF statements: the records of the !Type:Bank, CCard, Cash, Oth A and
// Oth L sections (D, T or else U, P, M; the other codes are passed over),
// each ended by ^ or by the next header. Other sections (!Type:Invst, the
// lists of categories and classes) are skipped. An !Account block names the
// account of the sections after it; !Option and !Clear:AutoSwitch only frame
// a list of such blocks. Split lines (S, E, $) belong to their record.
#pragma once
#include "import/statement.h"

Statement readQif(const Bytes& bytes);
