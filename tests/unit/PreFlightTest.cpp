// SPDX-License-Identifier: GPL-3.0-or-later
// The check before a run: when it asks, what it asks, and what the answer does. The hosts' own
// warnings are checked where those hosts are tested.
#include "GTestPrinters.h"

#include "engine/Application.h"
#include "engine/HostError.h"
#include "engine/Word1.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

using namespace quillsift;

namespace {

class NoDocuments : public engine::Documents
{
  public:
    std::shared_ptr<engine::Document> open(const QString& fileName) override
    {
        throw engine::HostError(fileName, QStringLiteral("not a host"));
    }
    std::shared_ptr<engine::Document> add() override
    {
        throw engine::HostError(QString(), QStringLiteral("not a host"));
    }
    qint64 count() const override
    {
        return 0;
    }
};

class NamedApplication : public engine::Application
{
  public:
    explicit NamedApplication(QString name)
        : m_name(std::move(name))
    {
    }
    QString name() const override
    {
        return m_name;
    }
    engine::Documents& documents() override
    {
        return m_documents;
    }
    void setVisible(bool) override
    {
    }
    bool visible() const override
    {
        return false;
    }

  private:
    QString m_name;
    NoDocuments m_documents;
};

/// A provider that finds an application of the given name running, none, or fails to look; its
/// warning is the one every provider has unless it says its own.
class ScriptedProvider : public engine::HostProvider
{
  public:
    std::optional<QString> runningName;
    bool throwsWhenAsked = false;

    std::shared_ptr<engine::Application> runningApplication() override
    {
        if (throwsWhenAsked) {
            throw std::runtime_error("attach failed");
        }
        return runningName ? std::make_shared<NamedApplication>(*runningName) : nullptr;
    }
    std::shared_ptr<engine::Application> newApplication() override
    {
        return std::make_shared<NamedApplication>(QStringLiteral("Host"));
    }
};

/// Runs the check with a confirm that records its questions and gives answer.
struct Asked {
    bool declined = false;
    QStringList questions;
};

Asked check(engine::HostProvider& provider, bool answer)
{
    Asked asked;
    asked.declined = engine::WordOpenDeclined(provider, QStringLiteral("Host"), [&](const QString& question) {
        asked.questions << question;
        return answer;
    });
    return asked;
}

} // namespace

TEST(PreFlight, RunningHostAsksTheProvidersQuestionAndTheAnswerDecides)
{
    ScriptedProvider provider;
    provider.runningName = QStringLiteral("Host");

    const Asked no = check(provider, false);
    EXPECT_TRUE(no.declined);
    ASSERT_EQ(no.questions.size(), 1);
    EXPECT_EQ(no.questions.first(), QStringLiteral("Word may be open. It is recommended that you close Word first.\r\n"
                                                   "\r\nWould you like to proceed anyway?"));
    EXPECT_EQ(no.questions.first(), engine::wordOpenQuestion(provider));

    const Asked yes = check(provider, true);
    EXPECT_FALSE(yes.declined);
    EXPECT_EQ(yes.questions, no.questions);
}

TEST(PreFlight, NothingIsAskedUnlessTheHostItselfRuns)
{
    ScriptedProvider none;
    ScriptedProvider other;
    other.runningName = QStringLiteral("Some Other Host");
    ScriptedProvider failing;
    failing.throwsWhenAsked = true;

    for (ScriptedProvider* provider : {&none, &other, &failing}) {
        const Asked asked = check(*provider, false);
        EXPECT_FALSE(asked.declined);
        EXPECT_TRUE(asked.questions.isEmpty()) << asked.questions.join(QLatin1Char('|')).toStdString();
    }
}
