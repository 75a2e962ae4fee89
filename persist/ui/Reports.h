// The report commands of the Reports menu: the CSV report, the text report and the Page Profile
// report of the rows in use.
#pragma once

#include "common/ui/ListHost.h"

void RunCsvReport(const SListHost& host);
void RunTextReport(const SListHost& host);
void RunProfileReport(const SListHost& host);
