// The commands of the Reports menu: the CSV report and the text report of the rows in use.
#pragma once

#include "common/ui/ListHost.h"

void RunCsvReport(const SListHost& host);
void RunTextReport(const SListHost& host);
