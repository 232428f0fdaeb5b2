// The thread registry: starting sessions, the procedure stack of a thread and its messages.
#include <gtest/gtest.h>

#include "corelib/thread_registry.h"
#include "thread_registry_fixture.h"

using namespace corelib;

namespace {

TEST_F(ThreadRegistryTest, StartRunsTheProcedureOnANewThreadWithItsRootEntry) {
    int32_t ranOn = 0;
    const int32_t t =
        THREAD_START([&] { ranOn = currentThread(); }, "BrowseAPbac", 25000, 7, "info   ");
    EXPECT_GE(t, 2);
    EXPECT_EQ(ranOn, t);
    EXPECT_EQ(currentThread(), 1);  // back on the start-up thread
    const auto* root = entry(t, 0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->PQ_PROCEDURENAME, "BrowseAPbac");
    EXPECT_EQ(root->PQ_SYSID, 7u);
    EXPECT_EQ(root->PQ_INFO, "info");
    EXPECT_EQ(root->PQ_COUNT, 0u);
    EXPECT_EQ(root->PQ_PROCEDURETREEMAX, 0u);
}

TEST_F(ThreadRegistryTest, StartingARunningProcedureReturnsItsThreadWhateverTheCase) {
    const int32_t t = THREAD_START({}, "BrowseAPrec");
    int runs = 0;
    EXPECT_EQ(THREAD_START([&] { ++runs; }, "browseaprec"), t);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(threadRegistrySnapshot().size(), 1u);
}

TEST_F(ThreadRegistryTest, OnlyThreadsOneToSixtyFourAreSearchedForARunningCopy) {
    {
        ThreadScope far(70);
        THREAD_LOG("Faraway");
    }
    int runs = 0;
    const int32_t t = THREAD_START([&] { ++runs; }, "FARAWAY");
    EXPECT_NE(t, 70);
    EXPECT_EQ(runs, 1);
}

TEST_F(ThreadRegistryTest, ThreadNumbersAreReusedOnceASessionHasEnded) {
    const int32_t a = THREAD_START({}, "A");
    const int32_t b = THREAD_START({}, "B");
    EXPECT_EQ(b, a + 1);
    THREAD_END(a);
    EXPECT_EQ(THREAD_START({}, "C"), a);
    EXPECT_EQ(THREAD_START({}, "A"), b + 1);
}

TEST_F(ThreadRegistryTest, RootLoggedAgainRaisesItsCount) {
    THREAD_LOG("Main");
    THREAD_LOG("main");
    const auto* root = entry(1, 0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->PQ_COUNT, 2u);
    EXPECT_EQ(root->PQ_PROCEDURETREEMAX, 0u);
    EXPECT_EQ(THREAD_CHECK("MAIN"), 2);
    EXPECT_EQ(THREAD_CHECK("Other"), 0);
}

TEST_F(ThreadRegistryTest, AProcedureLoggedAtLevelsOneAndThreeHasCountsOneAndTwo) {
    THREAD_LOG("Main");
    THREAD_LOG("UpdateAPbac");
    THREAD_LOG("Lookup");
    THREAD_LOG("updateapbac");
    EXPECT_EQ(entry(1, 1)->PQ_COUNT, 1u);
    EXPECT_EQ(entry(1, 3)->PQ_COUNT, 2u);
    EXPECT_EQ(entry(1, 0)->PQ_PROCEDURETREEMAX, 3u);
    EXPECT_EQ(THREAD_CHECK("UpdateAPbac"), 2);

    THREAD_RETURN("UpdateAPbac");
    THREAD_RETURN("Lookup");
    EXPECT_EQ(THREAD_CHECK("UpdateAPbac"), 1);
    THREAD_RETURN("UpdateAPbac");
    THREAD_RETURN("Main");
    EXPECT_TRUE(threadRegistrySnapshot().empty());
    EXPECT_EQ(messages->count(), 0u);
}

TEST_F(ThreadRegistryTest, ReturnMessagesArePlainAndAMismatchStillRemovesTheTopEntry) {
    THREAD_RETURN("Nothing");
    ASSERT_NE(messages->last(), nullptr);
    EXPECT_EQ(messages->last()->text, "Error deleting procedure from thread.");
    EXPECT_EQ(messages->last()->caption, "");
    EXPECT_EQ(messages->last()->buttons, msg::OK);

    THREAD_LOG("Main");
    THREAD_LOG("Form");
    THREAD_RETURN("Report");
    EXPECT_EQ(messages->last()->text, "Mismatch on procedure at end of thread.");
    EXPECT_EQ(entry(1, 1), nullptr);
    EXPECT_EQ(entry(1, 0)->PQ_PROCEDURETREEMAX, 0u);
}

TEST_F(ThreadRegistryTest, ScopesNestAndEachThreadHasItsOwnStack) {
    THREAD_LOG("Main");
    {
        ThreadScope a(5);
        THREAD_LOG("BrowseAPbnk");
        {
            ThreadScope b(6);
            EXPECT_EQ(currentThread(), 6);
            EXPECT_EQ(THREAD_CHECK("BrowseAPbnk"), 0);
        }
        EXPECT_EQ(currentThread(), 5);
        EXPECT_EQ(THREAD_CHECK("BrowseAPbnk"), 1);
        EXPECT_EQ(THREAD_CHECK("Main"), 0);
    }
    EXPECT_EQ(THREAD_CHECK("Main"), 1);
}

}  // namespace
