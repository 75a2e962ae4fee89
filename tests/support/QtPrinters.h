// Readable GoogleTest output for Qt values.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& str, std::ostream* pOut)
{
    *pOut << '"' << str.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* pOut)
{
    *pOut << '"' << bytes.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* pOut)
{
    *pOut << '{';
    for (int i = 0; i < int(list.size()); ++i)
        *pOut << (i ? ", \"" : "\"") << list[i].toStdString() << '"';
    *pOut << '}';
}
