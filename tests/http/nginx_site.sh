# Sourced by the tests that serve the banner list with nginx from Debian's packages.
#   nginx_site_config WORK LISTEN LOGFORMAT [SERVER-DIRECTIVES]
# writes WORK/nginx.conf: one foreground process, its pid, logs and temporary files under WORK,
# the site's files in WORK/html, each request logged to WORK/logs/access.log in LOGFORMAT.
nginx_site_config() {
  local work=$1 listen=$2 format=$3 extra=${4:-}
  mkdir -p "$work/html" "$work/logs" "$work/temp"
  cat > "$work/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $work/logs/nginx.pid;
error_log $work/logs/error.log;
events { worker_connections 16; }
http {
  log_format request '$format';
  access_log $work/logs/access.log request;
  client_body_temp_path $work/temp/body;
  proxy_temp_path $work/temp/proxy;
  fastcgi_temp_path $work/temp/fastcgi;
  uwsgi_temp_path $work/temp/uwsgi;
  scgi_temp_path $work/temp/scgi;
  default_type text/plain;
  server {
    listen $listen;
    root $work/html;
    $extra
  }
}
CONF
}
