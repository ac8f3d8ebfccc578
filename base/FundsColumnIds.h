#pragma once
// The funds columns, by id: the id of a column indexes its titles, its entry in the catalogue
// of values and its place in a stored layout. A new column is one more row here; every table
// indexed by id then fails to compile until it has the new column's row.
enum FundsColumnId : int {
    kAccountNoColumn, // always the bar's first column, never offered in the column dialog
    kCurrencyColumn,
    kExcessCashColumn,
    kAccountBalanceColumn,
    kAccountValueColumn,
    kCashWithdrawableColumn,
    kCommissionColumn,
    kDeliveryFeeColumn,
    kExchangeFeeColumn,
    kMarginOnHoldColumn,
    kCommissionOnHoldColumn,
    kHoldByRiskColumn,
    kInitialMarginColumn,
    kMaintainMarginColumn,
    kFloatingPnlColumn,
    kLmeFloatingPnlColumn,
    kCurrentFloatingPnlColumn,
    kRealizedPnlColumn,
    kCurrentRealizedPnlColumn,
    kNetPnlColumn,
    kPnlRateColumn, // written as a percentage
    kUnrealizedPnlColumn,
    kPremiumColumn,
    kWithdrawColumn,
    kDepositColumn,
    kAdjustmentColumn,
    kRiskRateColumn,
    kOptionMarketValueColumn,
    kLastAccountBalanceColumn,
    kLastAccountValueColumn,
    kLastExcessCashColumn,
    kLastUnrealizedPnlColumn,
    kMortgageColumn,
    kWarrantsAsCollateralColumn,
    kLmeDiscountColumn,
    kCashInOutBalanceColumn,
    kFundsColumnCount
};

constexpr bool IsFundsColumnId(int nColId) {
    return nColId >= 0 && nColId < kFundsColumnCount;
}
