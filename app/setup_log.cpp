// Placeholder until the setup log lands.
