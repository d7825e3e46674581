// A settings file in a temporary folder, removed with the object.
#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tessaline::test {

class TemporarySettings {
public:
    QString path() const { return dir_.filePath(QStringLiteral("tessaline.ini")); }
    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

} // namespace tessaline::test
