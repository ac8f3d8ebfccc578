#include "support/BarHarness.h"

namespace testing_support {

TKestrovaWnd* BarTest::OpenBar(int width, int height) {
    const HWND hWnd = host.OpenWindow();
    // The bar comes as a plain overlapped window; a host places it without a caption.
    const LONG_PTR style = GetWindowLongPtrW(hWnd, GWL_STYLE);
    SetWindowLongPtrW(hWnd, GWL_STYLE, (style & ~LONG_PTR(WS_OVERLAPPEDWINDOW)) | WS_POPUP);
    SetWindowPos(hWnd, HWND_TOP, 0, 0, width, height, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    UpdateWindow(hWnd);
    return hWnd ? dynamic_cast<TKestrovaWnd*>(TIxFrm::FromHandle(hWnd)) : nullptr;
}

void FundsTest::SetUp() {
    BarTest::SetUp();
    host.accounts = {host.store.MakeAccount("K1", "1001"), host.store.MakeAccount("K2", "1002"),
                     host.store.MakeAccount("K3", "1003")};
    for (const char* code : {"Base", "CNY", "USD", "CNY", "HKD"}) {
        host.currencies.push_back(host.store.MakeCurrency(code));
    }
    using host::Funds;
    base1 = host.store.MakeFunds("1001", "Base",
                                 {{Funds::Balance, 1234.5},
                                  {Funds::Value, 2000.0},
                                  {Funds::ExchangeFee, -3.25},
                                  {Funds::NetPnl, 10.0},
                                  {Funds::PnlRate, 0.1234},
                                  {Funds::RiskRate, 0.1234}});
    host.funds = {cny1 = Record("1001", "CNY"), base1, usd2 = Record("1002", "USD"),
                  base2 = Record("1002", "Base")};
}

} // namespace testing_support
