// The dedicated host's --map-port against a real router daemon (miniupnpd,
// which answers UPnP IGD and NAT-PMP) in private network namespaces this test
// makes itself: a veth pair between a "router" and a "home" namespace, with
// addresses that exist only inside them, and the router's own firewall chains.
// Nothing outside is contacted. Needs root and `ip netns`; skipped with a
// message otherwise.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>
#include <utility>

#include "portmap/portmapper.h"

namespace {

bool run(const QStringList &args, const QString &program = QStringLiteral("ip"))
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The expiry times the router's lease file holds for TCP mappings
// ("TCP:EXT:ADDRESS:INT:EXPIRY:DESCRIPTION" lines).
QStringList leaseExpiries(const QString &path)
{
    QFile file(path);
    QStringList expiries;
    if (!file.open(QIODevice::ReadOnly)) return expiries;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("TCP:")) expiries.append(QString::fromUtf8(line.split(':').value(4)));
    return expiries;
}

QString hostExe()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../quibbleton-host");
}

// Namespaces named after this process, removed with the object.
struct Namespaces
{
    QString home = QStringLiteral("q23home%1").arg(getpid());
    QString router = QStringLiteral("q23rtr%1").arg(getpid());
    bool withRouter = false;
    ~Namespaces()
    {
        run({"netns", "del", home});
        if (withRouter) run({"netns", "del", router});
    }
    bool make(bool routerToo)
    {
        withRouter = routerToo;
        if (!run({"netns", "add", home}) || !run({"-n", home, "link", "set", "lo", "up"}))
            return false;
        if (!routerToo) return true;
        return run({"netns", "add", router}) && run({"-n", router, "link", "set", "lo", "up"}) &&
               run({"link", "add", "q23lan0", "netns", router, "type", "veth", "peer", "name",
                    "q23lan1", "netns", home}) &&
               run({"link", "add", "q23wan0", "netns", router, "type", "veth", "peer", "name",
                    "q23wan1", "netns", router}) &&
               run({"-n", router, "addr", "add", "10.23.0.1/24", "dev", "q23lan0"}) &&
               run({"-n", router, "addr", "add", "11.23.0.1/24", "dev", "q23wan0"}) &&
               run({"-n", router, "link", "set", "q23lan0", "up"}) &&
               run({"-n", router, "link", "set", "q23wan0", "up"}) &&
               run({"-n", router, "link", "set", "q23wan1", "up"}) &&
               run({"-n", home, "addr", "add", "10.23.0.2/24", "dev", "q23lan1"}) &&
               run({"-n", home, "link", "set", "q23lan1", "up"}) &&
               run({"-n", home, "route", "add", "default", "via", "10.23.0.1"});
    }
};

// The host's stdout up to a line that starts with one of `prefixes`.
QString waitForLine(QProcess &host, const QStringList &prefixes)
{
    QString seen;
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        host.waitForReadyRead(200);
        seen += QString::fromUtf8(host.readAllStandardOutput());
        for (const QString &line : seen.split(QLatin1Char('\n')))
            for (const QString &prefix : prefixes)
                if (line.startsWith(prefix)) return line;
    }
    return QString();
}

} // namespace

class TstPortMap : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (geteuid() != 0) QSKIP("port mapping tests need root for private network namespaces");
        if (!run({"netns", "list"})) QSKIP("`ip netns` is not available here");
    }

    void noRouterOneLineAndTheRoomPlaysOn()
    {
        Namespaces ns;
        QVERIFY(ns.make(false));
        QProcess host;
        host.start("ip", {"netns", "exec", ns.home, hostExe(), "--port", "0", "--map-port",
                          "--no-discovery"});
        QVERIFY(host.waitForStarted());
        const QString line = waitForLine(host, {PortMapper::noRouterText(), "Port mapping"});
        QCOMPARE(line, PortMapper::noRouterText());
        QVERIFY(host.state() == QProcess::Running);
        host.terminate();
        QVERIFY(host.waitForFinished(10000));
        QCOMPARE(host.exitCode(), 0);
    }

    void routerMapsAndRemovesOnExit()
    {
        if (QStandardPaths::findExecutable("miniupnpd", {"/usr/sbin", "/sbin"}).isEmpty())
            QSKIP("miniupnpd is not installed");
        Namespaces ns;
        QVERIFY(ns.make(true));
        // The chains miniupnpd's iptables backend puts its rules into.
        for (const auto &[table, chain] :
             {std::pair{"nat", "MINIUPNPD"}, std::pair{"nat", "MINIUPNPD-POSTROUTING"},
              std::pair{"filter", "MINIUPNPD"}, std::pair{"mangle", "MINIUPNPD"}})
            run({"netns", "exec", ns.router, "iptables-legacy", "-t", table, "-N", chain});
        QTemporaryDir dir;
        const QString leases = dir.filePath("leases");
        QFile conf(dir.filePath("miniupnpd.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("ext_ifname=q23wan0\nlistening_ip=q23lan0\nenable_natpmp=yes\n"
                   "enable_upnp=yes\nsecure_mode=no\nsystem_uptime=yes\n"
                   "uuid=00000000-0000-0000-0000-000000002323\n"
                   "lease_file=" +
                   leases.toUtf8() +
                   "\nallow 1024-65535 10.23.0.0/24 1024-65535\n"
                   "deny 0-65535 0.0.0.0/0 0-65535\n");
        conf.close();
        QProcess router;
        router.setProcessChannelMode(QProcess::MergedChannels);
        router.start("ip", {"netns", "exec", ns.router, "miniupnpd", "-d", "-f", conf.fileName(),
                            "-P", dir.filePath("pid")});
        QVERIFY(router.waitForStarted());
        QString routerLog;
        QTRY_VERIFY_WITH_TIMEOUT(
            (routerLog += QString::fromUtf8(router.readAll())).contains("Listening for NAT-PMP"),
            10000);

        QProcess host;
        host.start("ip", {"netns", "exec", ns.home, hostExe(), "--port", "0", "--map-port",
                          "--map-lease", "4", "--no-discovery"});
        QVERIFY(host.waitForStarted());
        const QString line = waitForLine(
            host, {PortMapper::noRouterText(), PortMapper::refusedText(), "Port mapping"});
        QVERIFY2(line != PortMapper::noRouterText(), qPrintable(routerLog));
        if (line == PortMapper::refusedText()) {
            host.terminate();
            host.waitForFinished(10000);
            router.terminate();
            router.waitForFinished(5000);
            QSKIP("miniupnpd answered but could not install its forwarding rules here (its "
                  "iptables-legacy backend is needed); the mapped path is not checked");
        }
        QVERIFY2(line.startsWith("Port mapping (UPnP): 11.23.0.1 port ") ||
                     line.startsWith("Port mapping (NAT-PMP): 11.23.0.1 port "),
                 qPrintable(line));
        // Game port and web port, each leased for 4 s and renewed at half time:
        // the expiry moves on while the room runs.
        QTRY_COMPARE_WITH_TIMEOUT(leaseExpiries(leases).size(), 2, 10000);
        const QStringList first = leaseExpiries(leases);
        QTRY_VERIFY_WITH_TIMEOUT(
            leaseExpiries(leases).size() == 2 && leaseExpiries(leases) != first, 15000);
        host.terminate();
        QVERIFY(host.waitForFinished(15000));
        // Removal on exit: the router's lease file no longer lists the ports.
        QTRY_VERIFY_WITH_TIMEOUT(leaseExpiries(leases).isEmpty(), 10000);
        router.terminate();
        router.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TstPortMap)
#include "tst_portmap.moc"
