// LOADCHK and POSTCHK in the real progress window.
#include <QGuiApplication>

#include "corelib/ui/progress_window.h"
#include "post_fixture.h"

using namespace corelib;
using namespace hostlink;

TEST_P(PostTest, LoadingAndPostingRunInTheRealProgressWindow) {
    addTransaction(payablesCheck(1, 2001, 6, "-10.0000", "1", "A"));
    useProgressWindows();
    LOADCHK(link_);
    ASSERT_EQ(chk_.records(), 1);
    chk_.clear();
    queue(1, "AP", "APB");
    POSTCHK(link_);
    EXPECT_EQ(messages_->count(), 0u) << allMessageText(messages_.get());
    EXPECT_EQ(transactionValue(1, "FIStatus"), "R");
    EXPECT_EQ(listing(true).rows.size(), 1u);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // the busy cursor is gone again
}

INSTANTIATE_TEST_SUITE_P(Suite, PostTest, ::testing::Bool(), backendName);
