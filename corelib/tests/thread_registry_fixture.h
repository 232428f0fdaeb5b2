#pragma once
// The thread registry emptied before and after each test, with scripted messages, and a look-up
// of one registry entry.
#include <gtest/gtest.h>

#include <vector>

#include "corelib/message_script.h"
#include "corelib/thread_registry.h"

class ThreadRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { corelib::resetThreadRegistry(); }
    void TearDown() override { corelib::resetThreadRegistry(); }

    // The entry (thread, tree); nullptr when there is none. Valid until the next call.
    static const corelib::ProcedureEntry* entry(uint32_t thread, uint32_t tree) {
        static std::vector<corelib::ProcedureEntry> rows;
        rows = corelib::threadRegistrySnapshot();
        for (const auto& e : rows)
            if (e.PQ_PROCEDURETHREAD == thread && e.PQ_PROCEDURETREE == tree) return &e;
        return nullptr;
    }

    corelib::ScopedScriptedMessages messages;
};
