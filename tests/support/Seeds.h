// The inputs the tests build are the fuzz targets' seeds: with PAGEWICK_SEED_DIR set, a test hands
// its inputs to SaveSeed, which writes them under that folder (dev.sh fuzz).
#pragma once

#include <QByteArray>
#include <QString>

void SaveSeed(const char* pszCorpus, const QString& strName, const QByteArray& bytes);
