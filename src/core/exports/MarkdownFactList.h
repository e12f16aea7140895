#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tovra {

// The list of facts under one record of a Markdown export: a bullet
// "- <label><separator><value>" per known fact, in the order they are added.
// A fact without a value leaves its line out.
class MarkdownFactList {
public:
    // Between label and value: ": " in English, "：" in Chinese.
    explicit MarkdownFactList(QString separator);

    // `markdownValue` is Markdown already (a link, an escaped name).
    void add(const QString &label, const std::optional<QString> &markdownValue);

    // Plain text, put on one line and escaped so that it reads literally.
    void addLiteral(const QString &label, const std::optional<QString> &text);

    // The lines joined by line feeds, without a final one.
    QString text() const;

private:
    QString m_separator;
    QStringList m_lines;
};

} // namespace tovra
