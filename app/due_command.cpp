#include "app/due_command.h"

#include <windows.h>

#include <string>

#include "app/main_state.h"
#include "entry/due_entries_dialog.h"
#include "ledger/ledger_file.h"
#include "ledger/schedules.h"
#include "text/date_text.h"
#include "ui/prompts.h"

namespace {

constexpr UINT_PTR dueTimer = 0x5144;  // "QD"
bool offerPending = false;

void stopTimer() {
    if (mainWindow) KillTimer(mainWindow, dueTimer);
    offerPending = false;
}

// The archive files written by books opened before these since Quirvel started:
// one of them opened later is still an archive.
std::vector<ArchiveNote> rememberedArchives;

// The archive files known for the books open now: their own notes and
// those of the books opened before them.
std::vector<ArchiveNote> knownArchives() {
    std::vector<ArchiveNote> all = ledger.beside.archives;
    all.insert(all.end(), rememberedArchives.begin(), rememberedArchives.end());
    return all;
}

DuePermission permissionNow() {
    // A file marked read-only cannot take the posting's save.
    DWORD attributes = ledgerPath.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(ledgerPath.c_str());
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    return dueEntriesPermission(ledgerPath, readOnly, knownArchives());
}

// The rows change only when something was posted or skipped: the command's
// comparison of the books sees that.
ListRefresh offer(const std::vector<DueEntry>& due) {
    showDueEntries(mainWindow, due);
    return {};
}

}  // namespace

void offerDueEntriesSoon(const std::vector<ArchiveNote>& archivesBefore) {
    rememberedArchives.insert(rememberedArchives.end(), archivesBefore.begin(), archivesBefore.end());
    // After the window's first paint, and after the command that opened
    // the books has shown their rows; not at once, which would keep a
    // window not yet shown from ever being idle enough to show.
    if (!mainWindow) return;
    SetTimer(mainWindow, dueTimer, 50, nullptr);
    offerPending = true;
}

bool dueEntriesOfferPending() { return offerPending; }

bool isDueEntriesTimer(WPARAM id) { return id == dueTimer; }

bool dueEntriesWaiting() {
    stopTimer();
    return !dueEntries(todayPacked()).empty() && permissionNow().allowed;
}

ListRefresh dueEntriesAtOpen() {
    stopTimer();
    std::vector<DueEntry> due = dueEntries(todayPacked());
    if (due.empty() || !permissionNow().allowed) return {};
    return offer(due);
}

ListRefresh dueEntriesOnDemand() {
    DuePermission permission = permissionNow();
    if (!permission.allowed) {
        showMessage(permission.reason, "Due Entries", mb::ok | mb::iconInformation);
        return {};
    }
    std::vector<DueEntry> due = dueEntries(todayPacked());
    if (due.empty()) {
        showMessage("No scheduled entries are due.", "Due Entries", mb::ok | mb::iconInformation);
        return {};
    }
    return offer(due);
}

void resetDueEntriesState() {
    rememberedArchives.clear();
    offerPending = false;
}
