"""The installer's network prompt with the real window and real servers: the
storage goes away halfway through a download and the retry resumes where the
partial package ends; a storage that refuses every connection while the API
answers ends in the network prompt after the download's attempts run out.
And the network's silences: a storage that stops sending mid-body is asked
for the rest, an API that never answers still lets the window come up."""

import subprocess
import zipfile

import pytest

import harness
from failure_prompts import finish_install, follows, open_installer, prompt
from harness import check, wait_for
from installer_state import INSTALL_DIR, SERVICE_DIR, log_lines, sha256
from served_packages import good_package, large_package, served_version, service, temp_package
from window_view import press_install

NETWORK_PROMPT_LOG = "Failed to open URL with Range header."
SERVERS = harness.SOURCE_DIR / "tests" / "service" / "servers.py"


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


def test_a_storage_that_falls_silent_mid_body_is_asked_for_the_rest(prefix, installers, storage_back):
    """The fault storage in the storage's place sends the first 100 KiB of
    the package, then nothing, keeping the connection open."""
    package = good_package()
    hush = 100 * 1024
    check(len(package) > hush, f"the released package has only {len(package)} bytes")
    with served_version("e2e-hush", package) as stored:
        service("storage-fault", f"hush/{hush}")
        installer, view = open_installer(installers, "network_silent_storage")
        press_install(installer, view)
        finish_install(installer, "the download from a storage that fell silent")
        lines = log_lines(installer)
        ranges = [lines[i + 1] for i, line in enumerate(lines[:-1]) if line == "rangeHeader"]
        check(len(ranges) == 2 and ranges[0] == "Range: bytes=0-",
              f"the download did not ask again once after the silence: {ranges}")
        resumed = int(ranges[1].removeprefix("Range: bytes=").rstrip("-"))
        check(0 < resumed <= hush, f"the rest was asked for from byte {resumed}, not from what had come")
        check(sha256(temp_package()) == sha256(stored[0]), "the downloaded package differs from the stored one")
        with zipfile.ZipFile(stored[0]) as archive:
            check((INSTALL_DIR / "Orvane.exe").read_bytes() == archive.read("Orvane.exe"),
                  "the installed client differs from the one in the package")


def test_an_api_that_never_answers_still_brings_up_the_window(prefix, installers):
    """The API takes the version question and never answers: the window
    comes up once the question's limit has passed, and the install asks
    again (answered by then) and installs."""
    silent = SERVICE_DIR / "api" / "silent"
    silent.touch()
    try:
        installer, view = open_installer(installers, "network_silent_api", window_timeout=40)
        check("GetNewVersion: no version from the API" in log_lines(installer),
              "the window came up without the query having given up")
    finally:
        silent.unlink(missing_ok=True)
    press_install(installer, view)
    finish_install(installer, "the install after a start-up without a version")
    check(log_lines(installer).count("GetNewVersion=>domain") == 2, "the install did not ask for the version again")


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
