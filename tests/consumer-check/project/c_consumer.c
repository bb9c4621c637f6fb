/* A C program on the installed vanta.h alone, built as strict C99: a client, a failed call that
   needs no service (port 1 on the loopback refuses at once), the error object, the release. */
#include <vanta/vanta.h>

#include <stdio.h>
#include <string.h>

int main(void) {
    vanta_config config;
    vanta_client* client = NULL;
    vanta_error* error = NULL;
    vanta_result result = VANTA_ERROR_INTERNAL;
    VANTA_CONFIG_INIT(&config);
    config.host = "127.0.0.1";
    config.http_port = 1;
    config.retries = 0;
    if (vanta_client_new(&config, &client, &error) == VANTA_OK) {
        result = vanta_check_version(client, NULL, &error);
        vanta_client_free(client);
    }
    if (result != VANTA_ERROR_NETWORK || error == NULL ||
        strcmp(vanta_release_version(), VANTA_EXPECTED_RELEASE) != 0) {
        printf("the C interface misbehaves: %s\n", vanta_result_name(result));
        vanta_error_free(error);
        return 1;
    }
    printf("C consumer ok: %s\n", vanta_error_reason(error));
    vanta_error_free(error);
    return 0;
}
