// What the tests of the settings dialog and the add/edit cookie-file dialog
// share: a scratch catalogue, an application-data folder of the test's own
// (so index files land in the test's temporary folder), and cookie files.
#ifndef MERROWIND_TESTS_GUI_SOURCE_DIALOGS_H
#define MERROWIND_TESTS_GUI_SOURCE_DIALOGS_H

#include <string>
#include <vector>

#include "tests/support/win32_fixtures.h"

class SourceDialogTest : public ScratchTest {
protected:
    void SetUp() override;
    // Where the indexer puts new index files for this test.
    std::string IndexFolder() const;
    // The names of the files in it, sorted.
    std::vector<std::string> IndexFiles() const;
    // A cookie file of n short fortunes; returns its full path.
    std::string WriteCookieFile(const std::string& name, int fortunes) const;
    // The indexer's result for the record, run directly on a copy of it.
    unsigned DirectIndexResult(const SourceRecord& record) const;
};

std::vector<std::string> FilesIn(const std::string& folder);

#endif
