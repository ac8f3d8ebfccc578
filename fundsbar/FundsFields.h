#pragma once
// The funds columns: where each value comes from and how it is written.
#include "base/FundsColumnIds.h"
#include "base/HostInterfaces.h"
#include "base/TextCodec.h"

struct FundsColumn {
    int nColId;
    int nOffset;        // byte offset of the double in a FundsRecord; -1 for account and currency
    bool bDefaultShown; // shown when no stored layout exists
};

// The catalogue entry of an id; an id outside the columns gets an entry of id -1.
const FundsColumn& GetFundsColumn(int nColId);
bool IsDefaultShown(int nColId);

// True when Account Balance, Account Value, Excess Cash and Last Account Balance all equal
// 0.0 (a NaN in any of them makes the record not empty). A null record counts as empty.
bool IsEmptyFunds(const FundsRecord* record);

// Writes the text of a column for an account number (code page 936, may be empty) and a
// funds record (may be null) into dest, which holds kTextChars wide characters and is
// zero-filled by the caller. Ids outside the columns write nothing.
void FormatFundsField(int nColId, const char* szAccount, const FundsRecord* record, wchar_t* dest);
