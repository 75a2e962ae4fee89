// The report commands of the Reports menu: the CSV report, the text report, the Page Profile
// report, the folder summary and the audit report of the rows in use.
#pragma once

#include "common/ui/ListHost.h"

#include <QByteArray>
#include <QString>

class QWidget;

void RunCsvReport(const SListHost& host);
void RunTextReport(const SListHost& host);
void RunProfileReport(const SListHost& host);
void RunFolderSummaryReport(const SListHost& host);
void RunAuditReport(const SListHost& host);

// The box of a report that could not be written: "Can't write to " and the path, with the system's
// reason below.
void ShowCantWriteReport(QWidget* pOwner, const QByteArray& path, const QString& strReason);
