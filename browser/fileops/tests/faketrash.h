#pragma once
// A trash for tests: moves each entry into a holding folder (so it is gone from its place
// as with the real trash) and records the original paths. Paths listed in `refuse` fail.

#include "browser/fileops/trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace fileops::fakes {

class FakeTrash : public Trash {
public:
    explicit FakeTrash(QString holding) : holding_(std::move(holding)) { QDir().mkpath(holding_); }

    bool moveToTrash(const QString& path, QString* error) override
    {
        if (refuse.contains(path)) {
            if (error)
                *error = QStringLiteral("ごみ箱に移動できませんでした。");
            return false;
        }
        const QString target = holding_ + QLatin1Char('/') + QString::number(trashed.size()) + QLatin1Char('-') + QFileInfo(path).fileName();
        if (!QFile::rename(path, target))
            return false;
        trashed << path;
        return true;
    }

    QStringList trashed;
    QStringList refuse;

private:
    QString holding_;
};

} // namespace fileops::fakes
