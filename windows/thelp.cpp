#include "windows/thelp.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "net/gamefacts.h"
#include "windows/plaintext.h"

namespace {
const char WindowTitleText[] = "Quibbleton - Help";

const char OverviewText[] = R"(
<h2>Welcome to Quibbleton</h2>
<p>Quibbleton is a party word game for up to twelve players. Every round the host draws a short
run of capital letters, and everybody writes an <b>acro</b>: a phrase whose words begin, in
order, with those letters. For the letters <b>B T W</b> you might write
<i>"Bring The Wine"</i> or <i>"Bears Tell Whoppers"</i>.</p>
<p>When time is up all answers are shown without their authors, and every player votes for the
best one that is not their own. Votes become points, and the first player to reach the target
score brings the game to its end.</p>
<p>Around the game runs a chat room: type in the line under the chat and press Enter, start a
line with <b>/me</b> to describe an action, use the ten phrase buttons beside the chat for
one-click greetings, and the last of them for short sound clips.</p>
<p>Up to three more people can join as <b>spies</b>: they see everything and chat, but do not
answer, vote or score.</p>
)";

const char ConnectingText[] = R"(
<h2>Connecting</h2>
<p>The game is usually started by the lobby, which passes four things on the command line:</p>
<pre>  quibbleton NAME HOST true|false RATING</pre>
<ul>
<li><b>NAME</b> &ndash; your name as the other players will see it.</li>
<li><b>HOST</b> &ndash; the name or address (for example 192.168.1.20) of the computer that
hosts the game. It is used only when you join.</li>
<li><b>true</b> &ndash; you host the game; anything else (for example <b>false</b>) &ndash; you
join the host named before. Only the exact, lower-case word <b>true</b> hosts.</li>
<li><b>RATING</b> &ndash; the room's rating: <b>a</b> for an adult room, <b>e</b> for a family
room, in which answers pass through a word filter. Anything else leaves the room unrated.</li>
</ul>
<p><b>To host</b>, start <tt>quibbleton YourName 127.0.0.1 true e</tt>. The game listens on TCP
port <b>@PORT@</b>; other players must be able to reach that port on your computer (open it in
your firewall or router if they play over the internet). As the host you get the
<b>Start Game</b> button and the File menu's <b>Start Game</b>.</p>
<p><b>To join</b>, start <tt>quibbleton YourName 192.168.1.20 false e</tt> with the host's
address in place of 192.168.1.20.</p>
<p>Started without any arguments, Quibbleton plays a <b>solo game</b> on your own computer under
the name "You", and offers to fetch the lobby.</p>
<p>A game holds twelve players and three spies; a connection beyond that is told that the game
is full. When the connection to the host is lost, the game closes.</p>
)";

const char GamePlayText[] = R"(
<h2>Game Play</h2>
<p>The host opens the <b>Game Options</b> window with the start button, chooses the options
and presses <b>Start Game</b>:</p>
<ul>
<li><b>Play to Score</b> &ndash; the score that ends the game.</li>
<li><b>Creation Time</b> &ndash; the seconds you have to write an acro.</li>
<li><b>Max Letters</b> &ndash; the first round has three letters, each round one more up to this
number, then it starts again at three.</li>
<li><b>Speed Bonus</b> &ndash; one extra point for the fastest answer that earned votes.</li>
<li><b>No Couch Topics</b> &ndash; the chooser picks from a fixed list of categories and cannot
type one.</li>
<li><b>Team Game</b> &ndash; play as two teams, Yellow and White.</li>
<li><b>Auto Restart</b> &ndash; the same game starts again a few seconds after it ends.</li>
<li><b>Play Bonus Round</b>, <b>Letters In Bonus</b> and <b>Winner Determined By</b> &ndash; see
"Scoring".</li>
</ul>
<h3>A round</h3>
<ol>
<li><b>Category.</b> One player chooses the round's category: from the list, or typed in
(press Enter or the save button). The first round is chosen by the host, every later one by
the winner of the round before. Without a choice the category is "General".</li>
<li><b>Acro.</b> The letters appear. Type your acro and press Enter. Words are separated by
single blanks and must begin with the letters in order; a leading quote, apostrophe, asterisk
or bracket and full stops are ignored. A wrong answer is marked in red and not sent, so you can
correct it. You may send a better answer as often as you like while the time runs.</li>
<li><b>Voting.</b> All answers are listed in an order of their own on every screen. Click the
one you like best; you cannot vote for your own, and you may change your mind until the time
is up. Only players who vote can collect points for their own answer.</li>
<li><b>Results.</b> The authors and their votes are shown. The small log button beside an
answer keeps it in your <b>Acro Log</b> (View menu).</li>
</ol>
<h3>Teams</h3>
<p>In a team game you pick Yellow or White at the start. Whoever does not pick is placed on the
smaller side. Points also count for your team's total, but the game is won by the side of the
winning player.</p>
<h3>Your lists</h3>
<p>The View menu opens your own <b>Category List</b> (offered when you choose a category; the
"Save Category to My list" link adds the round's category to it), the <b>Phrase List</b> of the
ten chat buttons (each can be used once every 2 seconds), the <b>Acro Log</b> and the
<b>Spy List</b>. The host can remove a spy with a right click in the spy list.</p>
)";

const char ScoringText[] = R"(
<h2>Scoring</h2>
<p>When voting ends, every vote is counted and the answer with the most votes wins the round.
Among answers with equally many votes, the one written first wins.</p>
<table border="1" cellpadding="4" cellspacing="0">
<tr><th align="left">You get</th><th align="left">For</th></tr>
<tr><td>1 point per vote</td><td>each vote your answer received &ndash; only if you voted
yourself</td></tr>
<tr><td>1 point</td><td>voting for the winning answer</td></tr>
<tr><td>letters + 2 points</td><td>writing the winning answer (5 points in a 3 letter round)
&ndash; again only if you voted</td></tr>
<tr><td>1 point</td><td>the speed bonus, when it is on: the fastest answer that received
votes</td></tr>
</table>
<p>If only one answer came in, its author does not need to vote. A round without any vote scores
nothing, and the same player chooses the next category.</p>
<h3>The end of a game</h3>
<p>When a player reaches the target score, the game ends with the player (or players) of the
highest score. With <b>Play Bonus Round</b> on, one more round is played first: the
<b>bonus round</b>, with the number of letters chosen under "Letters In Bonus", in the
category "General" unless the chooser picks another. Only the leaders (in a team game the best
player of each side) may answer; everybody votes.</p>
<ul>
<li><b>Winning Bonus Round</b> &ndash; the winner of the bonus round wins the game, even with
fewer points.</li>
<li><b>Total Score</b> &ndash; the bonus round's points are added and the best total wins.</li>
</ul>
<p>In a team game the winning team is the team of the winning player.</p>
)";

const char LicenseText[] = R"(
<h2>License</h2>
<p>Quibbleton is the Quibbleton project's own software.</p>
<p>Copyright &copy; the Quibbleton developers. All rights reserved.</p>
<p>The program, its pictures and its sounds may not be copied, changed or passed on without the
written permission of the copyright holders.</p>
<p>THE PROGRAM IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED. IN NO EVENT
SHALL THE AUTHORS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY ARISING FROM THE USE OF THE
PROGRAM.</p>
<p>Quibbleton is built with the Qt toolkit, used under the GNU Lesser General Public License,
version 3.</p>
)";

const char DocumentationText[] = R"(
<h2>Documentation</h2>
<h3>Your files</h3>
<p>Quibbleton keeps your files in the folder of the program. An installed Quibbleton cannot
write there: it keeps your settings in ~/.config/quibbleton and your lists and log in
~/.local/share/quibbleton instead.</p>
<ul>
<li><b>zunolobby.ini</b> &ndash; your settings, in the section [Quibbleton], shared with the
lobby: window place and size, chat options, your ten phrases and the game options.</li>
<li><b>acrocats.txt</b> &ndash; your category list, one category per line.</li>
<li><b>acrolog.txt</b> &ndash; your acro log.</li>
</ul>
<p>If one of them cannot be read, Quibbleton tells you and does not overwrite it; a damaged acro
log is kept under a new name (acrolog.txt.bad- and the date) and a new log is started.</p>
<h3>Menus</h3>
<ul>
<li><b>File</b>: Start Game (host only), Exit.</li>
<li><b>Options</b>: sounds, chatter sounds, the rating notice, your chat colours and text size,
Chat Scroll Off (Ctrl+S) and Reset Screen Location.</li>
<li><b>View</b>: Spy List, Category List, Phrase List, Acro Log.</li>
<li><b>Help</b>: this help and About.</li>
</ul>
<h3>Chat</h3>
<p>Type a line and press Enter. <b>/me waves</b> shows as an action ("Bob waves"). Web addresses
in the chat can be clicked. Select text and copy it with the right mouse button.</p>
<h3>Only one copy</h3>
<p>Quibbleton runs once per computer: starting it again brings the running game to the
front.</p>
)";
} // namespace

Thelp::Thelp(QWidget *parent) : SideWindow(parent)
{
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QLatin1String(WindowTitleText));

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    const char *texts[] = {OverviewText, ConnectingText, GamePlayText,
                           ScoringText,  LicenseText,    DocumentationText};
    for (int i = 0; i < pageTitles().size(); ++i) {
        auto *page = new SafeTextBrowser(pages);
        page->setObjectName(QStringLiteral("page_%1").arg(i + 1));
        // The texts quote the game's facts by placeholder.
        page->setHtml(QString::fromUtf8(texts[i]).replace(QLatin1String("@PORT@"),
                                                          QString::number(facts::DefaultPort)));
        pages->addTab(page, pageTitles().at(i));
    }

    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("button_ok"));
    connect(ok, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(pages, 1);
    layout->addWidget(ok, 0, Qt::AlignRight);
    resize(560, 520);
}

const QStringList &Thelp::pageTitles()
{
    static const QStringList titles = {
        QStringLiteral("Overview"), QStringLiteral("Connecting"), QStringLiteral("Game Play"),
        QStringLiteral("Scoring"),  QStringLiteral("License"),    QStringLiteral("Documentation")};
    return titles;
}

void Thelp::showPage(const QString &title)
{
    pages->setCurrentIndex(qMax(0, int(pageTitles().indexOf(title))));
}
