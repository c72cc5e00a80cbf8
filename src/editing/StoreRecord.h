// The manual editor's "Ajouter Fiche" / "Enregistrer Fiche" as one operation, and its follow-up
// question.
#pragma once

#include <optional>
#include <string>

#include "catalogue/CatalogueState.h"
#include "catalogue/Outcome.h"
#include "editing/RecordEdit.h"

namespace cinevaro::editing {

// What saving the editor's boxes gave.
struct StoredRecord
{
    // A refusal or failure while !saved; once saved, a failed outcome is a warning (the cover
    // could not be copied) and carries its own caption.
    catalogue::Outcome outcome;
    bool saved = false;   // the record reached the catalogue file
    int row = 0;          // its row once the catalogue was read back (CurrentRow); 0 unless saved
    std::string duration; // DUREE as stored
};

// Adds the boxes as a new record (no `editRow`) or stores them into `editRow`, as addRecord and
// saveRecord do; `values` ends normalised as saved (upper-case distributor, duration boxes).
StoredRecord storeRecord(catalogue::CatalogueState& state, std::optional<int> editRow, RecordValues& values,
                         const std::string& coverSource);

// "La fiche <title> a été enregistrée" and the offer to enter another one (Windows-1252).
std::string anotherRecordQuestion(const std::string& title);

} // namespace cinevaro::editing
