// Serves the built site (build-web/site/ unless another folder is given) on 127.0.0.1, as any
// static web host would: the files as they are, with their types. Used by scripts/web --serve,
// the browser tests and the benchmarks.
import { createReadStream } from 'node:fs';
import { stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const types = {
    '.html': 'text/html; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.wasm': 'application/wasm',
    '.svg': 'image/svg+xml',
    '.json': 'application/json',
    '.webmanifest': 'application/manifest+json',
    '.png': 'image/png',
};

// Starts serving `folder` on `port` (0: any free port); resolves to the server once it listens.
export function serveSite(folder, port = 0) {
    const root = resolve(folder);
    const server = createServer(async (request, response) => {
        const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
        const file = normalize(join(root, path.endsWith('/') ? `${path}index.html` : path));
        try {
            if (!file.startsWith(root) || !(await stat(file)).isFile()) throw new Error('not found');
            response.writeHead(200, {
                'Content-Type': types[extname(file)] ?? 'application/octet-stream',
                'Cache-Control': 'no-cache',
            });
            createReadStream(file).pipe(response);
        } catch {
            response.writeHead(404, { 'Content-Type': 'text/plain' });
            response.end('Not found\n');
        }
    });
    return new Promise((resolvePromise, reject) => {
        server.once('error', reject);
        server.listen(port, '127.0.0.1', () => resolvePromise(server));
    });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
    const folder = process.argv[2] ?? join(fileURLToPath(new URL('..', import.meta.url)), 'build-web/site');
    const port = Number(process.argv[3] ?? 8000);
    const server = await serveSite(folder, port);
    console.log(`Vellicor is served at http://127.0.0.1:${server.address().port}/ (Ctrl+C stops)`);
}
