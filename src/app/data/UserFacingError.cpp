#include "app/data/UserFacingError.h"

#include "core/crypto/TovraCryptoError.h"
#include "core/ledger/TovraLedgerError.h"
#include "core/records/TovraJsonError.h"

#include <QLoggingCategory>
#include <QStringList>

namespace tovra::app {

namespace {

Q_LOGGING_CATEGORY(tovraDataLog, "tovra.data", QtInfoMsg)

QString ledgerSentence(TovraLedgerError::Kind kind)
{
    using enum TovraLedgerError::Kind;
    switch (kind) {
    case fileSystemFailure:
        return QStringLiteral("读写本地账本的文件时出错。");
    case unsafeFile:
        return QStringLiteral("账本路径不是当前用户拥有的普通文件，未读写任何内容。");
    case readOnly:
        return QStringLiteral("账本所在的文件系统只读：记录可以查看，但在可写之前不会记录任何新内容。");
    case keyUnavailable:
        return QStringLiteral("无法取得账本的主密钥。");
    case undecryptable:
        return QStringLiteral("账本无法解密：主密钥与写入时不同，或文件已被改动；文件保持原样。");
    case corrupted:
        return QStringLiteral("账本文件已损坏；文件保持原样。");
    case newerVersion:
        return QStringLiteral("账本由更新版本的Tovra写入，请更新Tovra后再打开；文件保持原样。");
    case unsupportedVersion:
        return QStringLiteral("账本版本过旧，当前Tovra已无法迁移；文件保持原样。");
    case invalidDenylistValue:
        return QStringLiteral("该值无法加入排除列表。");
    case defaultDenylistEntry:
        return QStringLiteral("这是内置保护项，不能移除。");
    }
    return QStringLiteral("本地账本出错。");
}

QString cryptoSentence(TovraCryptoError::Kind kind)
{
    using enum TovraCryptoError::Kind;
    switch (kind) {
    case keyStoreUnavailable:
        return QStringLiteral("系统钥匙串不可用，无法取得账本的主密钥。");
    case keyStoreLocked:
        return QStringLiteral("系统钥匙串已锁定，请解锁后重试。");
    case authenticationFailed:
        return QStringLiteral("加密数据校验失败：密钥不符或数据已被改动。");
    case malformedMasterKey:
    case invalidKeyLength:
    case testMasterKeyMissing:
    case testModeNotEnabled:
        return QStringLiteral("账本的主密钥无效。");
    case truncatedEnvelope:
    case unrecognizedEnvelope:
    case unsupportedEnvelopeVersion:
        return QStringLiteral("加密数据格式无法识别。");
    case randomGeneratorFailure:
    case primitiveFailure:
        return QStringLiteral("加密运算失败。");
    }
    return QStringLiteral("加密运算失败。");
}

// The Chinese sentence, and after it what helps whoever looks into the
// failure without being English: the path and the errno. The English
// description is logged instead.
QString told(const QString &sentence, const QString &english, const QString &path = {}, int errorNumber = 0)
{
    qCWarning(tovraDataLog).noquote() << sentence << english.trimmed();
    QStringList detail;
    if (!path.isEmpty())
        detail.append(path);
    if (errorNumber != 0)
        detail.append(QStringLiteral("errno %1").arg(errorNumber));
    return detail.isEmpty()
        ? sentence
        : sentence + QStringLiteral("（") + detail.join(QStringLiteral("，")) + QStringLiteral("）");
}

} // namespace

QString userFacingDescription(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const TovraLedgerError &error) {
        return told(
            ledgerSentence(error.kind()), error.localizedDescription(), error.path(), error.errorNumber());
    } catch (const TovraCryptoError &error) {
        return told(cryptoSentence(error.kind()), error.localizedDescription());
    } catch (const TovraJsonError &error) {
        return told(QStringLiteral("数据格式无效。"), error.localizedDescription());
    } catch (const TovraError &error) {
        return error.localizedDescription();
    } catch (const std::exception &error) {
        return told(QStringLiteral("发生了意外错误。"), QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return QStringLiteral("未知错误");
    }
}

} // namespace tovra::app
