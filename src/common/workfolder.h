#pragma once
// The working folder the data files live in, passed to whoever reads or writes them
// instead of assuming the process's current folder.
#include <QString>

class WorkFolder {
  public:
    // The current folder of the process when `root` is empty.
    explicit WorkFolder(const QString& root = QString());
    const QString& root() const { return m_root; }
    // A stored path ("DataBase\medicam.nam") as a path on this system under the root,
    // each component matched without regard to case.
    QString path(const QString& storedPath) const;

  private:
    QString m_root;
};
