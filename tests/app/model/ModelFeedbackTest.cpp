#include "ModelTestSupport.h"

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

using Scope = AppFeedbackScope;

TEST(ModelFeedbackTest, NoticesAndFailuresReplaceEachOtherByScope)
{
    enum class Step { notice, failure, begin };
    struct Case {
        const char *name;
        QList<std::pair<Step, Scope>> steps;
        std::optional<Scope> notice, failure;
    };
    const Case cases[] = {
        { "failure replaces a notice of its scope",
            { { Step::notice, Scope::pause }, { Step::failure, Scope::pause } }, std::nullopt, Scope::pause },
        { "notice replaces a failure of its scope",
            { { Step::failure, Scope::pause }, { Step::notice, Scope::pause } }, Scope::pause, std::nullopt },
        { "different scopes stay together",
            { { Step::failure, Scope::export_ }, { Step::notice, Scope::records } }, Scope::records,
            Scope::export_ },
        { "a notice replaces any notice",
            { { Step::notice, Scope::data }, { Step::notice, Scope::denylist } }, Scope::denylist,
            std::nullopt },
        { "a failure replaces any failure",
            { { Step::failure, Scope::data }, { Step::failure, Scope::export_ } }, std::nullopt,
            Scope::export_ },
        { "begin clears its own scope only",
            { { Step::notice, Scope::records }, { Step::failure, Scope::data },
                { Step::begin, Scope::records } },
            std::nullopt, Scope::data },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        TovraAppModel &model = h.model();
        int changes = 0;
        QObject::connect(&model, &TovraAppModel::changed,
            [&](TovraAppModelField field) { changes += field == TovraAppModelField::feedback; });
        for (const auto &[step, scope] : c.steps) {
            if (step == Step::notice)
                model.showNotice(QStringLiteral("完成"), QStringLiteral("checkmark.circle"), scope);
            else if (step == Step::failure)
                model.publishFailure(
                    QStringLiteral("失败"), QStringLiteral("原因"), scope, AppRecoveryAction::retryHotKey());
            else
                model.beginFeedback(scope);
        }
        const AppFeedbackState &feedback = model.state().feedback;
        EXPECT_EQ(changes, c.steps.size());
        EXPECT_EQ(feedback.notice ? std::optional(feedback.notice->scope) : std::nullopt, c.notice);
        EXPECT_EQ(feedback.failure ? std::optional(feedback.failure->scope) : std::nullopt, c.failure);
    }
}

TEST(ModelFeedbackTest, OnlyTheCurrentFailureIsRetriedAndOnlyOnce)
{
    ModelHarness h;
    TovraAppModel &model = h.model();
    model.publishFailure(QStringLiteral("无法读取本地记录"), QStringLiteral("原因"), Scope::data,
        AppRecoveryAction::reloadData());
    const AppFailure current = *model.state().feedback.failure;
    AppFailure stale = current;
    stale.id = QUuid::createUuid();

    model.recover(stale);
    h.settle();
    EXPECT_EQ(h.provider->callCount(op::listRecords), 0);
    EXPECT_EQ(model.state().feedback.failure, current);

    model.recover(current);
    model.recover(current);
    h.settle();
    EXPECT_EQ(h.provider->callCount(op::listRecords), 1);
    EXPECT_FALSE(model.state().feedback.failure);
}

} // namespace
} // namespace tovra::app::testing
