#pragma once
// White-box harness of the funds bar: the plug-in's library linked in, started with a test
// host, with the "config" folder beside the test program emptied before and after.
#include "fundsbar/KestrovaWnd.h"
#include "host/TestHost.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace testing_support {

// The "config" folder of the running program and its two files.
class ConfigFolder {
public:
    ConfigFolder();
    ~ConfigFolder();
    void WriteLayout(const std::string& iniText) const;
    void WriteIgnore(const std::string& iniText) const;
    std::string Dir() const { return m_dir; }

private:
    void Clear() const;
    std::string m_dir;
};

class BarTest : public ::testing::Test {
protected:
    explicit BarTest(int language = 1033) : m_language(language) {}
    void SetUp() override;
    void TearDown() override;

    // Opens a bar through the registered factory and places it as a host would.
    TKestrovaWnd* OpenBar(int width = 1200, int height = 50);
    static TKestrovaWnd* BarOf(HWND hWnd);
    // Dispatches what is queued, the bars' posted notifications included.
    void Settle() { PumpMessages(); }
    // The texts of the shown cells, left to right.
    static std::vector<std::wstring> ShownValues(const TKestrovaWnd& bar);
    // Puts the real cursor on a point of the bar (client coordinates).
    static void PointAt(const TKestrovaWnd& bar, POINT pt);
    // Presses the left button in the middle of a cell, as the user does.
    static void ClickCell(TKestrovaWnd& bar, const RECT& cell);

    host::TestHost host;
    ConfigFolder config;
    int m_language;
};

} // namespace testing_support
