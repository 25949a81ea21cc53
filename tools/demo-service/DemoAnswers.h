#pragma once

#include <optional>
#include <string>
#include <vector>

#include "DemoCatalog.h"

// How the picture list travels inside the answer's "out" element.
enum class ListForm {
    Nested,   // as child elements
    Escaped,  // as text, its markup escaped
};

// The raw fields of one list entry: fields 1 and 2 are empty except on a title's first entry.
struct ListEntry {
    std::string field1;  // scrambled "referrer\base address"
    std::string title;   // plain UTF-8
    std::string field3;  // scrambled file name
};

// The catalog as list entries for clients of `host` ("127.0.0.1:8580"), scrambled with `dayKey`:
// the entry at index N is scrambled with position base N. nullopt when a name cannot be
// scrambled.
std::optional<std::vector<ListEntry>> PictureListEntries(const DemoCatalog &catalog,
                                                         const std::string &host,
                                                         const std::string &dayKey);

// The list text as the client reads it from "out".
std::string ListText(const std::vector<ListEntry> &entries);

// SOAP 1.1 answers of the two operations, and a fault.
std::string DeleteResponseEnvelope(const std::vector<ListEntry> &entries, ListForm form);
std::string GetVerResponseEnvelope(const std::vector<std::string> &versions);
std::string FaultEnvelope(const std::string &reason);

std::string XmlEscaped(const std::string &text);
