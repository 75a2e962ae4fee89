// A window's parts by their object names, as tests find the controls and actions they use.
#pragma once

#include <QAction>
#include <QObject>
#include <QWidget>

#include <gtest/gtest.h>

template <class T = QWidget>
T* Named(const QObject* pParent, const char* pszName)
{
    T* p = pParent->findChild<T*>(QLatin1String(pszName));
    EXPECT_NE(p, nullptr) << pszName;
    return p;
}
