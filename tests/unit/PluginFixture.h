#pragma once
// White-box tests with the plug-in started against the test host: shared fonts, brushes and
// a main frame exist as in the terminal.
#include "host/TestHost.h"
#include "plugin/Exports.h"

#include <gtest/gtest.h>

#include <vector>

template <int Language> class PluginFixture : public ::testing::Test {
protected:
    void SetUp() override {
        OnPluginLoad(Language);
        OnPluginInit(host.PluginManager());
        host.ClearCalls();
    }
    void TearDown() override { OnPluginFree(); }

    // The modal begin (14) and end (15) calls the main frame got, in order.
    std::vector<int> ModalCalls() const {
        std::vector<int> slots;
        for (const host::HostCall& call : host.Calls()) {
            if (call.iface == host::Iface::MainFrame &&
                (call.slot == host::slot::OnModalBegin || call.slot == host::slot::OnModalEnd)) {
                slots.push_back(call.slot);
            }
        }
        return slots;
    }

    host::TestHost host;
};
