// Seeded random commands of every journalled type of the edit and track commands, on a
// document as it is (its selection arranged as each command reads it), and a session that
// does, undoes and redoes them at random depths, checking the whole document at each depth.
#pragma once
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "MultiTrackDoc.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace kvtest {

class RandomEdits {
public:
    // items: engine items the file, clip and recording commands place.
    RandomEdits(std::vector<ComRef<IUnknown>> items, unsigned seed) : m_items(std::move(items)), m_random(seed) {}
    // A new command of a random type, or none when the document offers nothing for the type
    // drawn; type names it.
    ComRef<IEditCommand> Next(CNyMultiTrackDoc* doc, std::string& type);
    std::mt19937& Random() { return m_random; }

private:
    int Pick(int n) { return n > 0 ? static_cast<int>(m_random() % static_cast<unsigned>(n)) : 0; }
    int64_t Position(CNyMultiTrackDoc* doc) { return Pick(static_cast<int>(doc->GetLength() + 200)); }
    ComRef<IEditCommand> EditCommand(CNyMultiTrackDoc* doc, std::string& type);

    std::vector<ComRef<IUnknown>> m_items;
    std::mt19937 m_random;
};

// Do, Undo or Redo drawn at each step through the document's history; after each the
// document's content print must be the one it had at that depth of the undo stack.
class RandomSession {
public:
    RandomSession(CNyMultiTrackDoc* doc, RandomEdits& edits);
    // One step; what it did goes to *what ("do TYPE", "undo", "redo", "refused TYPE").
    ::testing::AssertionResult Step(std::string* what);
    size_t Depth() const { return m_depth; }
    const std::map<std::string, int>& Done() const { return m_done; }

private:
    CNyMultiTrackDoc* m_doc;
    RandomEdits& m_edits;
    std::vector<std::string> m_prints; // at each depth of the undo stack
    size_t m_depth = 0, m_redoable = 0;
    std::map<std::string, int> m_done;
};

} // namespace kvtest
