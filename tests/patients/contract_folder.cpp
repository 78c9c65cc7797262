// The store contract on a legacy folder.
#include "storecontract.h"
#include "storefixture.h"

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
        QDebug(&out) << storetest::snapshot(m_dir->path());
        return out;
    }
};

} // namespace

std::unique_ptr<ContractFixture> contractFixture() {
    return std::make_unique<FolderFixture>();
}
