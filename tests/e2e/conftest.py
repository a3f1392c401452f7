"""The e2e tests' fixtures. The session they run in (the Xvfb display, the
build's wineserver and the local service) is tools/test's: ctest runs pytest
for one test at a time inside it."""

import subprocess

import pytest

import harness
import installer_state
import window_view


@pytest.fixture(scope="session", autouse=True)
def display():
    """The Xvfb display the installer's windows open on; refuses to run
    outside tools/test's session instead of failing in odd ways."""
    if not harness.DISPLAY:
        pytest.exit("no ORVANE_DISPLAY: run the e2e tests through tools/test (tools/test -R e2e.NAME)", 2)
    return harness.DISPLAY


@pytest.fixture(scope="session", autouse=True)
def service():
    """The running local service's state folder (served storage, API version, logs)."""
    status = subprocess.run([str(harness.SOURCE_DIR / "tools" / "service"), "status"], capture_output=True,
                            text=True).stdout
    if "servers: running" not in status or "nginx: running" not in status:
        pytest.exit(f"the local service is not running ({status.strip()}): run through tools/test", 2)
    return harness.SERVICE_DIR


@pytest.fixture
def prefix():
    """The build's Wine prefix without any install, before and after the test."""
    installer_state.clean_install_state()
    yield harness.PREFIX
    installer_state.clean_install_state()


@pytest.fixture
def screenshots():
    """The folder the tests' screenshots go to (build folder/screenshots)."""
    harness.SCREENSHOTS.mkdir(parents=True, exist_ok=True)
    return harness.SCREENSHOTS


@pytest.fixture
def installers():
    """Starts installers for the test and ends those still running after it,
    with the pointer parked where it leaves the next test's buttons alone."""
    started = harness.Installers()
    yield started
    started.end_all()
    window_view.park_pointer()
