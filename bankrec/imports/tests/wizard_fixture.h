#pragma once
// The wizard's rule tests: the configuration open, and the pages met going through the wizard.
#include <vector>

#include "bankrec/imports/import_wizard.h"
#include "bankrec/storage/file_services.h"
#include "imports_fixture.h"

namespace imports {

class WizardTest : public ImportTest {
  protected:
    WizardTest() { EXPECT_EQ(openFile(*session, storage::FileId::SYcfg), storage::Error::None); }
    ~WizardTest() override { closeFile(*session, storage::FileId::SYcfg); }

    // The pages met going forward from page 1 and back again.
    static std::vector<int> walk(ImportWizard& w) {
        std::vector<int> pages{w.page()};
        while (w.nextEnabled()) {
            w.next();
            pages.push_back(w.page());
        }
        while (w.previousEnabled()) {
            w.previous();
            pages.push_back(w.page());
        }
        return pages;
    }
};

}  // namespace imports
