// File > Archive: asks for the ending year or date, then archives.
#pragma once

void archiveLedger();
