"""The installer's network prompt with the real window and real servers: the
storage goes away halfway through a download and the retry resumes where the
partial package ends; a storage that refuses every connection while the API
answers ends in the network prompt after the download's attempts run out."""

import subprocess

import pytest

import harness
from failure_prompts import finish_install, follows, open_installer, prompt
from harness import check, wait_for
from installer_state import INSTALL_DIR, log_lines, sha256
from served_packages import large_package, served_version, service, temp_package
from window_view import press_install

NETWORK_PROMPT_LOG = "Failed to open URL with Range header."
SERVERS = harness.SOURCE_DIR / "tools" / "service.d" / "servers.py"


def partial_size():
    path = temp_package()
    return path.stat().st_size if path.exists() else 0


@pytest.fixture
def storage_back():
    """The storage running again after the test, whatever it did to it."""
    yield
    service("storage-start")


def test_a_download_cut_off_halfway_resumes_on_retry(prefix, installers, storage_back):
    package = large_package(64)  # about 32 MiB
    # "-slow" versions come at 4 MiB/s: the storage can be stopped halfway.
    with served_version("e2e-resume-slow", package) as stored:
        installer, view = open_installer(installers, "network_resume")
        press_install(installer, view)
        wait_for(lambda: partial_size() >= 4 * 1024 * 1024, 60,
                 "the download never reached 4 MiB of the package")
        service("storage-stop")
        box = prompt(installer, 90, "the storage gone halfway through the download")
        harness.screenshot("failure_range_open_failed")
        wait_for(lambda: NETWORK_PROMPT_LOG in log_lines(installer), 10,
                 f"setup.log does not say {NETWORK_PROMPT_LOG!r} while the network prompt shows")
        partial = partial_size()
        check(0 < partial < len(package), f"the partial package is {partial} of {len(package)} bytes")

        service("storage-start")
        before_retry = len(log_lines(installer))
        box.answer_yes()
        press_install(installer, view)
        finish_install(installer, "the resumed download")
        resumed = log_lines(installer)[before_retry:]
        check(follows(resumed, "downloadedBytes", str(partial)),
              "the second install did not start from the partial package")
        check(follows(resumed, "rangeHeader", f"Range: bytes={partial}-"),
              f"the second install did not ask for the rest from byte {partial}")
        check(sha256(temp_package()) == sha256(stored[0]),
              "the resumed package differs from the stored one")
        wait_for(lambda: (INSTALL_DIR / "data" / "bulk" / "part64.bin").exists(), 30,
                 "the resumed package was not installed")


@pytest.mark.timeout(600)
def test_a_storage_that_refuses_every_connection(installers):
    """In a network namespace of its own the API answers (a second copy of
    the service's servers, on the ports of tools/env.sh) but nothing listens
    on the storage's port."""
    folder = harness.workdir("network_refused")
    service_dir = folder / "service"
    (service_dir / "api").mkdir(parents=True)
    (service_dir / "api" / "version").write_text("1.2.3\n")
    with harness.Network("url") as network:
        certs = network.prefix.parent / "certs"
        servers = subprocess.Popen(network.wrap([
            "python3", str(SERVERS), "--service-dir", str(service_dir),
            "--cert", str(certs / "server.pem"), "--key", str(certs / "server.key")]),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wait_for(lambda: (service_dir / "servers.ready").exists(), 20,
                     "the API did not start inside the network namespace")
            installer, view = open_installer(installers, folder=folder, network=network)
            check(follows(log_lines(installer), "new Version:", "1.2.3"),
                  "the installer did not get the version from the API in the namespace")
            press_install(installer, view)
            # 60 attempts two seconds apart.
            box = prompt(installer, 240, "a storage that refuses every connection")
            harness.screenshot("failure_open_url_failed")
            lines = log_lines(installer)
            check(lines.count("Failed to open URL.") == 60,
                  f"the download tried {lines.count('Failed to open URL.')} times, not 60")
            wait_for(lambda: "未知" in log_lines(installer), 10, "setup.log does not end the attempts with 未知")
            box.answer_no()
            code = installer.wait(30)
            check(code == 1, f"退出 on the network prompt ended the installer with {code}, not 1")
        finally:
            installers.end_all()
            servers.kill()
            servers.wait()
