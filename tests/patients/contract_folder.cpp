// The store contract on a legacy folder.
#include "storecontract.h"
#include "storefixture.h"

#include <QCryptographicHash>

namespace {

class FolderFixture : public ContractFixture {
    std::unique_ptr<QTemporaryDir> m_dir;

  public:
    void reset() override { m_dir = std::make_unique<QTemporaryDir>(); }
    std::unique_ptr<patients::Store> open() override {
        return std::make_unique<patients::PatientStore>(WorkFolder(m_dir->path()));
    }
    QString dump() const override {
        QString out;
        const auto files = storetest::snapshot(m_dir->path());
        for (auto f = files.begin(); f != files.end(); ++f)
            out +=
                f.key() + u' ' + QCryptographicHash::hash(f.value(), QCryptographicHash::Md5).toHex() + u'\n';
        return out;
    }
};

} // namespace

std::unique_ptr<ContractFixture> contractFixture() {
    return std::make_unique<FolderFixture>();
}
