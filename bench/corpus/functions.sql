SELECT upper(c.name), lower(c.city) FROM customers c
SELECT c.customer_id, UPPER(c.name) AS name, LOWER(c.country) AS country FROM customers c WHERE upper(c.city) = 'BERLIN'
SELECT coalesce(o.ship_city, c.city, 'unknown') AS city FROM orders o INNER JOIN customers c ON c.customer_id = o.customer_id
SELECT oi.order_id, sum(oi.quantity * oi.unit_price * (1 - coalesce(oi.discount, 0))) AS net FROM order_items oi GROUP BY oi.order_id
SELECT nullif(p.stock, 0) AS stock, p.price / nullif(p.stock, 0) AS price_per_unit FROM products p
SELECT e.employee_id, COALESCE(e.manager_id, e.employee_id) AS boss FROM employees e ORDER BY 2
SELECT trim(both ' ' from c.name) AS name FROM customers c
SELECT TRIM(LEADING '0' FROM p.name), TRIM(TRAILING FROM p.name), trim(p.name), trim(from p.name), trim('x' from p.name) FROM products p
SELECT c.name FROM customers c WHERE trim(c.segment) = 'retail' AND position('son' in c.name) > 0
SELECT position('-' IN o.status) AS dash, substring(o.status from 1 for position('-' in o.status)) FROM orders o
SELECT extract(year from o.order_date) AS y, extract(month from o.order_date) AS m, count(*) FROM orders o GROUP BY extract(year from o.order_date), extract(month from o.order_date)
SELECT EXTRACT(DAY FROM p.paid_on), EXTRACT(HOUR FROM p.paid_on), EXTRACT(MINUTE FROM p.paid_on), EXTRACT(SECOND FROM p.paid_on) FROM payments p
SELECT extract(timezone_hour from o.order_date), extract(timezone_minute from o.order_date) FROM orders o
SELECT char_length(c.name), character_length(c.city), octet_length(c.name), bit_length(c.country) FROM customers c
SELECT c.name FROM customers c WHERE char_length(trim(c.name)) BETWEEN 3 AND 20 ORDER BY char_length(c.name) DESC
SELECT current_date, current_time, current_timestamp FROM departments d
SELECT current_user, session_user, system_user, user FROM departments d
SELECT o.order_id FROM orders o WHERE o.order_date < current_date AND o.status <> 'shipped'
SELECT p.payment_id FROM payments p WHERE extract(year from p.paid_on) = extract(year from current_date)
SELECT e.first_name || ' ' || upper(e.last_name) AS full_name FROM employees e WHERE lower(e.last_name) LIKE 'a%'
SELECT d.name, count(e.employee_id) FROM departments d LEFT OUTER JOIN employees e ON e.department_id = d.department_id GROUP BY d.name HAVING coalesce(sum(e.salary), 0) > d.budget
SELECT CASE WHEN nullif(trim(c.segment), '') IS NULL THEN 'none' ELSE upper(c.segment) END AS segment FROM customers c
SELECT c.city, count(*) FROM customers c WHERE upper(c.country) IN ('DE', 'FR') GROUP BY c.city
SELECT o.order_id FROM orders o WHERE o.customer_id IN (SELECT c.customer_id FROM customers c WHERE lower(c.city) = lower(:city))
SELECT cast(extract(year from e.hired_on) AS INTEGER) AS hired FROM employees e
SELECT upper(substring(p.name from 1 for 1)) || lower(substring(p.name from 2)) FROM products p
SELECT coalesce(nullif(upper(trim(c.name)), ''), '?') FROM customers c
SELECT a.name FROM (SELECT upper(c.name) AS name FROM customers c) a WHERE position('A' in a.name) = 1
SELECT p.name FROM products p WHERE octet_length(p.name) <> char_length(p.name)
SELECT e.employee_id FROM employees e WHERE extract(month from e.hired_on) = extract(month from current_timestamp) UNION SELECT m.employee_id FROM employees m WHERE m.manager_id IS NULL
SELECT - char_length(c.name), ~ 1, ~ c.customer_id FROM customers c
SELECT o.order_id, coalesce(p.amount, 0) FROM orders o LEFT JOIN payments p ON p.order_id = o.order_id AND upper(p.method) = 'CARD'
